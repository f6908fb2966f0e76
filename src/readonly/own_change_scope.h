// The add-in's own change of one Outlook item, for the life of a scope: the read-only guards let the
// write through, and the mark is cleared however the scope ends, so an exception between the two can
// never leave an item that the user's later edits slip past.
#pragma once

#include <string>

// `Guards` is any of the guard interfaces with RegisterOwnChange and ClearOwnChanges.
template <typename Guards>
class OwnChangeScope {
  public:
    // Marks `item_id`; nothing when `guards` is null (nothing is guarded) or the id is empty.
    OwnChangeScope(Guards* guards, const std::string& item_id) : m_guards(guards) {
        if (m_guards != nullptr && !item_id.empty())
            m_guards->RegisterOwnChange(item_id);
    }
    ~OwnChangeScope() { End(); }
    OwnChangeScope(const OwnChangeScope&) = delete;
    OwnChangeScope& operator=(const OwnChangeScope&) = delete;

    // Clears the mark now, for work that follows the write inside the scope.
    void End() {
        if (m_guards != nullptr)
            m_guards->ClearOwnChanges();
        m_guards = nullptr;
    }

  private:
    Guards* m_guards;
};
