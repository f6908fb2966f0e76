#include "host/contacts_command.h"

#include <functional>

#include "host/command_line.h"
#include "host/command_output.h"
#include "host/item_command.h"
#include "host/user_session.h"
#include "outlook/contact_item.h"
#include "outlook/dist_list_item.h"
#include "outlook/items.h"
#include "outlook/recipient.h"

namespace {

using outlook::ComPtr;

constexpr const char* kHelp =
    "velsync contacts: the contacts, distribution lists and contact folders of the store.\n"
    "\n"
    "  velsync contacts list [--folder PATH]    contacts and lists of the folder and those below it\n"
    "  velsync contacts show ID                 every field of a contact, or a list with its members\n"
    "  velsync contacts add --name TEXT [fields] [--folder PATH]\n"
    "  velsync contacts edit ID [fields]\n"
    "  velsync contacts delete ID\n"
    "  velsync contacts move ID --to PATH\n"
    "  velsync contacts group-create NAME [--folder PATH]   a new distribution list\n"
    "  velsync contacts group-add ID ADDRESS|NAME           add a member (it must resolve)\n"
    "  velsync contacts group-remove ID ADDRESS             remove a member\n"
    "%s"
    "\n"
    "Fields: --name --first-name --middle-name --last-name --name-title --suffix --file-as --email --email2\n"
    "  --email3 --home-phone --home-phone2 --home-fax --mobile --business-phone --business-phone2\n"
    "  --business-fax --other-phone --company --department --title --street --city --state --postal-code\n"
    "  --country\n"
    "  --business-street --business-city --business-state --business-postal-code --business-country\n"
    "  --office --web --business-web --note --birthday YYYY-MM-DD (an empty value clears a field)\n"
    "Common options: --json (one JSON object per line), --answer yes|no (for questions without a terminal).\n"
    "Exit codes: 0 done, 1 failed or refused, 2 wrong arguments, 3 store unavailable.\n";

using Getter = HRESULT (outlook::ContactItem::*)(std::string*);
using Putter = HRESULT (outlook::ContactItem::*)(const std::string&);

struct Field {
    const char* option;
    const char* key;
    Getter get;
    Putter put;
};

const Field kFields[] = {
    {"name", "full_name", &outlook::ContactItem::get_FullName, &outlook::ContactItem::put_FullName},
    {"file-as", "file_as", &outlook::ContactItem::get_FileAs, &outlook::ContactItem::put_FileAs},
    {"first-name", "first_name", &outlook::ContactItem::get_FirstName, &outlook::ContactItem::put_FirstName},
    {"middle-name", "middle_name", &outlook::ContactItem::get_MiddleName,
     &outlook::ContactItem::put_MiddleName},
    {"last-name", "last_name", &outlook::ContactItem::get_LastName, &outlook::ContactItem::put_LastName},
    {"name-title", "name_title", &outlook::ContactItem::get_Title, &outlook::ContactItem::put_Title},
    {"suffix", "suffix", &outlook::ContactItem::get_Suffix, &outlook::ContactItem::put_Suffix},
    {"email", "email1", &outlook::ContactItem::get_Email1Address, &outlook::ContactItem::put_Email1Address},
    {"email2", "email2", &outlook::ContactItem::get_Email2Address, &outlook::ContactItem::put_Email2Address},
    {"email3", "email3", &outlook::ContactItem::get_Email3Address, &outlook::ContactItem::put_Email3Address},
    {"home-phone", "home_phone", &outlook::ContactItem::get_HomeTelephoneNumber,
     &outlook::ContactItem::put_HomeTelephoneNumber},
    {"home-phone2", "home_phone2", &outlook::ContactItem::get_Home2TelephoneNumber,
     &outlook::ContactItem::put_Home2TelephoneNumber},
    {"home-fax", "home_fax", &outlook::ContactItem::get_HomeFaxNumber,
     &outlook::ContactItem::put_HomeFaxNumber},
    {"mobile", "mobile", &outlook::ContactItem::get_MobileTelephoneNumber,
     &outlook::ContactItem::put_MobileTelephoneNumber},
    {"business-phone", "business_phone", &outlook::ContactItem::get_BusinessTelephoneNumber,
     &outlook::ContactItem::put_BusinessTelephoneNumber},
    {"business-phone2", "business_phone2", &outlook::ContactItem::get_Business2TelephoneNumber,
     &outlook::ContactItem::put_Business2TelephoneNumber},
    {"business-fax", "business_fax", &outlook::ContactItem::get_BusinessFaxNumber,
     &outlook::ContactItem::put_BusinessFaxNumber},
    {"other-phone", "other_phone", &outlook::ContactItem::get_OtherTelephoneNumber,
     &outlook::ContactItem::put_OtherTelephoneNumber},
    {"company", "company", &outlook::ContactItem::get_CompanyName, &outlook::ContactItem::put_CompanyName},
    {"department", "department", &outlook::ContactItem::get_Department,
     &outlook::ContactItem::put_Department},
    {"title", "job_title", &outlook::ContactItem::get_JobTitle, &outlook::ContactItem::put_JobTitle},
    {"street", "home_street", &outlook::ContactItem::get_HomeAddressStreet,
     &outlook::ContactItem::put_HomeAddressStreet},
    {"city", "home_city", &outlook::ContactItem::get_HomeAddressCity,
     &outlook::ContactItem::put_HomeAddressCity},
    {"state", "home_state", &outlook::ContactItem::get_HomeAddressState,
     &outlook::ContactItem::put_HomeAddressState},
    {"postal-code", "home_postal_code", &outlook::ContactItem::get_HomeAddressPostalCode,
     &outlook::ContactItem::put_HomeAddressPostalCode},
    {"country", "home_country", &outlook::ContactItem::get_HomeAddressCountry,
     &outlook::ContactItem::put_HomeAddressCountry},
    {"business-street", "business_street", &outlook::ContactItem::get_BusinessAddressStreet,
     &outlook::ContactItem::put_BusinessAddressStreet},
    {"business-city", "business_city", &outlook::ContactItem::get_BusinessAddressCity,
     &outlook::ContactItem::put_BusinessAddressCity},
    {"business-state", "business_state", &outlook::ContactItem::get_BusinessAddressState,
     &outlook::ContactItem::put_BusinessAddressState},
    {"business-postal-code", "business_postal_code", &outlook::ContactItem::get_BusinessAddressPostalCode,
     &outlook::ContactItem::put_BusinessAddressPostalCode},
    {"business-country", "business_country", &outlook::ContactItem::get_BusinessAddressCountry,
     &outlook::ContactItem::put_BusinessAddressCountry},
    {"office", "office", &outlook::ContactItem::get_OfficeLocation,
     &outlook::ContactItem::put_OfficeLocation},
    {"web", "web", &outlook::ContactItem::get_PersonalHomePage, &outlook::ContactItem::put_PersonalHomePage},
    {"business-web", "business_web", &outlook::ContactItem::get_BusinessHomePage,
     &outlook::ContactItem::put_BusinessHomePage},
    {"note", "note", &outlook::ContactItem::get_Body, &outlook::ContactItem::put_Body},
};

std::set<std::string> ValuedOptions() {
    std::set<std::string> valued = {"folder", "to", "answer", "birthday", "description"};
    for (const Field& field : kFields) {
        valued.insert(field.option);
    }
    return valued;
}

class ContactsCommand {
  public:
    ContactsCommand(UserSession* session, CommandOutput* output, const CommandLine* line)
        : session_(session), output_(output), line_(line) {}

    int List();
    int Show();
    int Add();
    int Edit();
    int Delete();
    int GroupCreate();
    int GroupMember(bool add);

  private:
    bool Apply(outlook::ContactItem* contact);
    ComPtr<outlook::DistListItem> List(const std::string& id);
    int SaveAndReport(outlook::OutlookItem* item, const std::string& what);

    UserSession* session_;
    CommandOutput* output_;
    const CommandLine* line_;
};

int ContactsCommand::List() {
    auto root = session_->FolderBelow("Contacts", line_->Value("folder", "Contacts"));
    if (!root) {
        return kExitFailed;
    }
    for (const auto& folder : session_->Tree(root.get())) {
        const std::string path = session_->PathOf(folder.get());
        ComPtr<outlook::Items> items;
        if (FAILED(folder->get_Items(&items))) {
            continue;
        }
        ComPtr<outlook::IDispatch> item;
        for (HRESULT hr = items->GetFirst(&item); SUCCEEDED(hr) && item; hr = items->GetNext(&item)) {
            ComPtr<outlook::ContactItem> contact;
            ComPtr<outlook::DistListItem> list;
            std::string entry_id;
            if (SUCCEEDED(item.As(&contact))) {
                std::string name;
                std::string email;
                (void)contact->get_FullName(&name);
                (void)contact->get_Email1Address(&email);
                (void)contact->get_EntryID(&entry_id);
                output_->Record({{"name", name},
                                 {"email", email},
                                 {"kind", "contact"},
                                 {"folder", path},
                                 {"entry_id", entry_id}},
                                true);
            } else if (SUCCEEDED(item.As(&list))) {
                std::string name;
                std::int32_t members = 0;
                (void)list->get_DLName(&name);
                (void)list->get_MemberCount(&members);
                (void)list->get_EntryID(&entry_id);
                output_->Record({{"name", name},
                                 {"email", std::to_string(members) + " members"},
                                 {"kind", "list"},
                                 {"folder", path},
                                 {"entry_id", entry_id}},
                                true);
            }
        }
    }
    return kExitOk;
}

int ContactsCommand::Show() {
    if (line_->Positional().empty()) {
        output_->Error("show needs an ID");
        return kExitUsage;
    }
    auto item = session_->ItemById(line_->Positional()[0]);
    if (!item) {
        return kExitFailed;
    }
    ComPtr<outlook::ContactItem> contact;
    ComPtr<outlook::DistListItem> list;
    OutputRecord record = {{"entry_id", line_->Positional()[0]}};
    if (SUCCEEDED(item.As(&contact))) {
        for (const Field& field : kFields) {
            std::string value;
            (void)(contact.get()->*field.get)(&value);
            record.push_back({field.key, value});
        }
        platform::DateTime birthday;
        if (SUCCEEDED(contact->get_Birthday(&birthday)) && birthday.Format("%Y") != "4501") {
            record.push_back({"birthday", birthday.Format("%Y-%m-%d")});
        }
    } else if (SUCCEEDED(item.As(&list))) {
        std::string name;
        std::int32_t count = 0;
        (void)list->get_DLName(&name);
        (void)list->get_MemberCount(&count);
        record.push_back({"list_name", name});
        std::string members;
        for (std::int32_t i = 1; i <= count; ++i) {
            ComPtr<outlook::Recipient> member;
            std::string member_name;
            std::string address;
            if (SUCCEEDED(list->GetMember(i, &member))) {
                (void)member->get_Name(&member_name);
                (void)member->get_Address(&address);
                members += (members.empty() ? "" : ", ") + member_name + " <" + address + ">";
            }
        }
        record.push_back({"members", members});
    } else {
        output_->Error(line_->Positional()[0] + " is not a contact or a list");
        return kExitFailed;
    }
    output_->Record(record, false);
    return kExitOk;
}

bool ContactsCommand::Apply(outlook::ContactItem* contact) {
    for (const Field& field : kFields) {
        if (line_->Has(field.option) && FAILED((contact->*field.put)(line_->Value(field.option)))) {
            output_->Error(std::string("cannot set --") + field.option);
            return false;
        }
    }
    if (line_->Has("birthday")) {
        const platform::DateTime birthday = line_->Value("birthday").empty()
                                                ? platform::DateTime::FromParts(4501, 1, 1)
                                                : ParseUserDate(line_->Value("birthday"));
        if (!birthday.IsValid() || FAILED(contact->put_Birthday(birthday))) {
            output_->Error("--birthday needs a date YYYY-MM-DD");
            return false;
        }
    }
    return true;
}

int ContactsCommand::SaveAndReport(outlook::OutlookItem* item, const std::string& what) {
    HRESULT hr = item->Save();
    if (FAILED(hr)) {
        return session_->Report("cannot save the " + what, hr);
    }
    std::string entry_id;
    if (FAILED(item->get_EntryID(&entry_id)) || !session_->ItemById(entry_id)) {
        output_->Error("the " + what + " was removed again (the folder is read-only)");
        return kExitFailed;
    }
    output_->Record({{"entry_id", entry_id}}, true);
    return kExitOk;
}

int ContactsCommand::Add() {
    if (!line_->Has("name") && !line_->Has("email")) {
        output_->Error("add needs --name or --email");
        return kExitUsage;
    }
    ComPtr<outlook::ContactItem> contact;
    const int code = NewItem(session_, "Contacts", line_->Value("folder", "Contacts"), outlook::olContactItem,
                             "a contact", &contact);
    if (code != kExitOk) {
        return code;
    }
    if (!Apply(contact.get())) {
        return kExitUsage;
    }
    return SaveAndReport(contact.get(), "contact");
}

int ContactsCommand::Edit() {
    if (line_->Positional().empty()) {
        output_->Error("edit needs an ID");
        return kExitUsage;
    }
    auto item = session_->ItemById(line_->Positional()[0]);
    ComPtr<outlook::ContactItem> contact;
    if (!item || FAILED(item.As(&contact))) {
        output_->Error(line_->Positional()[0] + " is not a contact");
        return kExitFailed;
    }
    if (!Apply(contact.get())) {
        return kExitUsage;
    }
    HRESULT hr = contact->Save();
    if (FAILED(hr)) {
        return session_->Report("cannot save the contact", hr);
    }
    output_->Message("saved");
    return kExitOk;
}

int ContactsCommand::Delete() {
    if (line_->Positional().empty()) {
        output_->Error("delete needs an ID");
        return kExitUsage;
    }
    auto item = session_->ItemById(line_->Positional()[0]);
    ComPtr<outlook::OutlookItem> typed;
    if (!item || FAILED(item.As(&typed))) {
        return kExitFailed;
    }
    HRESULT hr = typed->Delete();
    if (FAILED(hr)) {
        return session_->Report("cannot delete the item", hr);
    }
    output_->Message("deleted");
    return kExitOk;
}

ComPtr<outlook::DistListItem> ContactsCommand::List(const std::string& id) {
    auto item = session_->ItemById(id);
    ComPtr<outlook::DistListItem> list;
    if (item && FAILED(item.As(&list))) {
        output_->Error(id + " is not a distribution list");
    }
    return list;
}

int ContactsCommand::GroupCreate() {
    if (line_->Positional().empty()) {
        output_->Error("group-create needs a name");
        return kExitUsage;
    }
    ComPtr<outlook::DistListItem> list;
    const int code = NewItem(session_, "Contacts", line_->Value("folder", "Contacts"),
                             outlook::olDistributionListItem, "a list", &list);
    if (code != kExitOk) {
        return code;
    }
    const HRESULT hr = list->put_DLName(line_->Positional()[0]);
    if (FAILED(hr)) {
        return session_->Report("cannot create the list", hr);
    }
    return SaveAndReport(list.get(), "list");
}

int ContactsCommand::GroupMember(bool add) {
    if (line_->Positional().size() < 2) {
        output_->Error("needs a list ID and an address or name");
        return kExitUsage;
    }
    auto list = List(line_->Positional()[0]);
    if (!list) {
        return kExitFailed;
    }
    ComPtr<outlook::Recipient> recipient;
    HRESULT hr = session_->session()->CreateRecipient(line_->Positional()[1], &recipient);
    bool resolved = false;
    if (SUCCEEDED(hr)) {
        hr = recipient->Resolve(&resolved);
    }
    if (SUCCEEDED(hr) && !resolved) {
        output_->Error(line_->Positional()[1] + " does not resolve to an address");
        return kExitFailed;
    }
    if (SUCCEEDED(hr)) {
        hr = add ? list->AddMember(recipient.get()) : list->RemoveMember(recipient.get());
    }
    if (SUCCEEDED(hr)) {
        hr = list->Save();
    }
    if (FAILED(hr)) {
        return session_->Report(add ? "cannot add the member" : "cannot remove the member", hr);
    }
    output_->Message(add ? "added" : "removed");
    return kExitOk;
}

}  // namespace

int RunContactsCommand(const std::vector<std::string>& args) {
    // Each action on a command object of its own.
    const auto action = [](const std::function<int(ContactsCommand&)>& run) {
        return [run](UserSession* session, CommandOutput* output, const CommandLine& line) {
            ContactsCommand command(session, output, &line);
            return run(command);
        };
    };
    const ItemCommand contacts{
        "contacts",
        "Contacts",
        kHelp,
        {"json", "help"},
        ValuedOptions(),
        {{"list", action([](ContactsCommand& c) { return c.List(); })},
         {"show", action([](ContactsCommand& c) { return c.Show(); })},
         {"add", action([](ContactsCommand& c) { return c.Add(); })},
         {"edit", action([](ContactsCommand& c) { return c.Edit(); })},
         {"delete", action([](ContactsCommand& c) { return c.Delete(); })},
         {"move", [](UserSession* session, CommandOutput* output,
                     const CommandLine& line) { return MoveItem(session, output, "Contacts", line); }},
         {"group-create", action([](ContactsCommand& c) { return c.GroupCreate(); })},
         {"group-add", action([](ContactsCommand& c) { return c.GroupMember(true); })},
         {"group-remove", action([](ContactsCommand& c) { return c.GroupMember(false); })}}};
    return RunItemCommand(contacts, args);
}
