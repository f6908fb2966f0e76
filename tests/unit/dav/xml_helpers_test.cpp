#include "dav/xml_helpers.h"

#include <gtest/gtest.h>

#include "support/data_rows.h"
#include "support/logging_home.h"

namespace {

constexpr const char* kTwoResponses =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<D:multistatus xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
    "<D:response><D:href>/alice/calendar/</D:href><D:propstat><D:prop>"
    "<D:displayname>Work <![CDATA[& more]]></D:displayname><C:calendar-color>ignored</C:calendar-color>"
    "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
    "<D:response><D:href>/alice/addressbook/</D:href></D:response>"
    "</D:multistatus>";

class XmlResponses : public ::testing::Test {
  protected:
    int UnableToLoadLines() const {
        const std::string text = home_.LogText();
        int count = 0;
        for (std::size_t at = text.find("Unable to load XML."); at != std::string::npos;
             at = text.find("Unable to load XML.", at + 1))
            ++count;
        return count;
    }

    testing_support::LoggingHome home_;
};

TEST_F(XmlResponses, ForeignPrefixesAreReadWithTheFixedOnes) {
    const XmlNodePtr document = LoadXml(kTwoResponses);
    EXPECT_EQ(SelectText(document, "/d:multistatus/d:response/d:href"), "/alice/calendar/");
    EXPECT_EQ(SelectText(document, "//d:displayname"), "Work & more");
    EXPECT_EQ(SelectText(document, "//cal:calendar-color"), "ignored");
    EXPECT_TRUE(HasNode(document, "/d:multistatus/d:response/d:propstat"));
    EXPECT_FALSE(HasNode(document, "/d:multistatus/d:response/d:owner"));
    EXPECT_EQ(UnableToLoadLines(), 0);
    // Text concatenates the descendants; attributes are read too.
    const XmlNodePtr nested =
        LoadXml("<d:a xmlns:d=\"DAV:\"><d:b>one<d:c>two</d:c>three</d:b><d:e attr=\"v\"/></d:a>");
    EXPECT_EQ(SelectText(nested, "/d:a/d:b"), "onetwothree");
    EXPECT_EQ(SelectText(nested, "/d:a/d:e/@attr"), "v");
    EXPECT_EQ(SelectText(nested, "/d:a/d:missing"), "");
}

TEST_F(XmlResponses, ResponsesAreHandedOutOneByOneWithTheFixedPrefixes) {
    std::vector<std::string> hrefs;
    std::string name;
    EXPECT_TRUE(ForEachResponse(kTwoResponses, [&](const XmlNodePtr& response) {
        hrefs.push_back(SelectText(response, "d:href"));
        name += SelectText(response, "d:propstat/d:prop/d:displayname");
    }));
    EXPECT_EQ(hrefs, (std::vector<std::string>{"/alice/calendar/", "/alice/addressbook/"}));
    EXPECT_EQ(name, "Work & more");
    // Only responses of a multistatus count; a cut answer is refused after the responses before the cut.
    hrefs.clear();
    const std::string cut = std::string(kTwoResponses).substr(0, std::string(kTwoResponses).size() - 20);
    EXPECT_FALSE(ForEachResponse(
        cut, [&](const XmlNodePtr& response) { hrefs.push_back(SelectText(response, "d:href")); }));
    EXPECT_EQ(hrefs, std::vector<std::string>{"/alice/calendar/"});
    EXPECT_FALSE(ForEachResponse("<d:prop xmlns:d=\"DAV:\"><d:response/></d:prop>", [](const XmlNodePtr&) {
        ADD_FAILURE() << "a response outside a multistatus";
    }));
    EXPECT_EQ(UnableToLoadLines(), 2);
}

TEST_F(XmlResponses, ChildPathsSelectWhatXPathSelects) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/xml-child-path-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        const CXmlNodeIterator root = SelectNodes(LoadXml(row[1]), "/*");
        ASSERT_FALSE(root.IsEnd());
        const bool selected = row[3] != "(none)";
        for (const std::string& path : {row[2], "self::node()/" + row[2]}) {
            EXPECT_EQ(HasNode(root.Current(), path), selected) << path;
            EXPECT_EQ(SelectText(root.Current(), path), selected ? row[3] : "") << path;
        }
    }
}

TEST_F(XmlResponses, SelectNodesIteratesThenEnds) {
    // The nodes keep their document alive.
    CXmlNodeIterator it = SelectNodes(LoadXml(kTwoResponses), "/d:multistatus/d:response");
    ASSERT_FALSE(it.IsEnd());
    // Relative expressions start at the node, absolute ones at the document.
    EXPECT_EQ(SelectText(it.Current(), "d:href"), "/alice/calendar/");
    EXPECT_EQ(SelectText(it.Current(), "/d:multistatus/d:response[2]/d:href"), "/alice/addressbook/");
    it.Next();
    ASSERT_FALSE(it.IsEnd());
    EXPECT_EQ(SelectText(it.Current(), "d:href"), "/alice/addressbook/");
    EXPECT_FALSE(HasNode(it.Current(), "d:propstat"));
    it.Next();
    EXPECT_TRUE(it.IsEnd());
    EXPECT_EQ(it.Current(), nullptr);
    it.Next();
    EXPECT_TRUE(it.IsEnd());
}

TEST_F(XmlResponses, SelectIntReadsLikeWtoi) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/leading-int-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(ParseLeadingInt(row[0]), std::stoll(row[1]));
    }
    const XmlNodePtr document = LoadXml("<d:n xmlns:d=\"DAV:\"> 42ab</d:n>");
    EXPECT_EQ(SelectInt(document, "/d:n"), 42);
    EXPECT_EQ(SelectInt(document, "/d:none"), 0);
}

TEST_F(XmlResponses, NothingIsSelectedFromAnEmptyDocumentANullNodeOrAnInvalidExpression) {
    const XmlNodePtr empty = LoadXml("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(UnableToLoadLines(), 1);
    for (const XmlNodePtr& node : {empty, XmlNodePtr()}) {
        EXPECT_EQ(SelectText(node, "//*"), "");
        EXPECT_EQ(SelectInt(node, "//*"), 0);
        EXPECT_TRUE(SelectNodes(node, "//*").IsEnd());
        EXPECT_FALSE(HasNode(node, "/*"));
    }
    const XmlNodePtr document = LoadXml(kTwoResponses);
    EXPECT_TRUE(SelectNodes(document, "//d:response[").IsEnd());
    EXPECT_EQ(SelectText(document, "//x:unbound"), "");
    EXPECT_FALSE(HasNode(document, "count(//d:response)"));
}

TEST_F(XmlResponses, HostileDocumentsLoadEmpty) {
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<a>";
    std::vector<std::vector<std::string>> rows =
        testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/xml-hostile-rows.txt", 2);
    rows.push_back({"deep nesting", deep});
    int expected_lines = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        const XmlNodePtr document = LoadXml(row[1]);
        ++expected_lines;
        EXPECT_EQ(UnableToLoadLines(), expected_lines);
        EXPECT_EQ(SelectText(document, "//d:href"), "");
        EXPECT_TRUE(SelectNodes(document, "//*").IsEnd());
        EXPECT_FALSE(ForEachResponse(row[1], [](const XmlNodePtr&) {}));
        ++expected_lines;
        EXPECT_EQ(UnableToLoadLines(), expected_lines);
    }
}

TEST_F(XmlResponses, HugeTextNodeIsRefused) {
    const std::string huge = "<d:href xmlns:d=\"DAV:\">" + std::string(11 * 1000 * 1000, 'x') + "</d:href>";
    const XmlNodePtr document = LoadXml(huge);
    EXPECT_EQ(UnableToLoadLines(), 1);
    EXPECT_EQ(SelectText(document, "//d:href"), "");
    // Large answers made of many ordinary nodes still load.
    std::string many = "<d:multistatus xmlns:d=\"DAV:\">";
    for (int i = 0; i < 20000; ++i)
        many += "<d:response><d:href>/c/" + std::to_string(i) + ".ics</d:href></d:response>";
    many += "</d:multistatus>";
    EXPECT_EQ(SelectText(LoadXml(many), "/d:multistatus/d:response[20000]/d:href"), "/c/19999.ics");
    std::string last;
    EXPECT_TRUE(
        ForEachResponse(many, [&](const XmlNodePtr& response) { last = SelectText(response, "d:href"); }));
    EXPECT_EQ(last, "/c/19999.ics");
    const std::string huge_response = "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>" +
                                      std::string(11 * 1000 * 1000, 'x') +
                                      "</d:href></d:response></d:multistatus>";
    EXPECT_FALSE(
        ForEachResponse(huge_response, [](const XmlNodePtr&) { ADD_FAILURE() << "a huge text node"; }));
    EXPECT_EQ(UnableToLoadLines(), 2);
}

TEST_F(XmlResponses, DeclaredEncodingDoesNotChangeUtf8Text) {
    const XmlNodePtr document =
        LoadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><d:n xmlns:d=\"DAV:\">K\xC3\xB6ln</d:n>");
    EXPECT_EQ(SelectText(document, "/d:n"), "K\xC3\xB6ln");
    const XmlNodePtr with_bom = LoadXml("\xEF\xBB\xBF<d:n xmlns:d=\"DAV:\">x</d:n>");
    EXPECT_EQ(SelectText(with_bom, "/d:n"), "x");
}

}  // namespace
