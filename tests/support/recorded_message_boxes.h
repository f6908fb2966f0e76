// The message box service of a test: installed for its lifetime, it answers every box with one button
// and keeps what each showed. Boxes may come from any thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace testing_support {

class RecordedMessageBoxes : public platform::MessageBoxService {
  public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned flags = 0;
    };

    explicit RecordedMessageBoxes(int answer = platform::IDNO) : answer(answer) {
        platform::SetMessageBoxService(this);
    }
    ~RecordedMessageBoxes() override { platform::SetMessageBoxService(nullptr); }
    RecordedMessageBoxes(const RecordedMessageBoxes&) = delete;
    RecordedMessageBoxes& operator=(const RecordedMessageBoxes&) = delete;

    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_shown.push_back({text, caption, flags});
        return answer;
    }
    std::vector<Box> Shown() {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_shown;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const Box& box : Shown())
            texts.push_back(box.text);
        return texts;
    }
    std::vector<unsigned> Flags() {
        std::vector<unsigned> flags;
        for (const Box& box : Shown())
            flags.push_back(box.flags);
        return flags;
    }
    void Clear() {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_shown.clear();
    }

    std::atomic<int> answer;

  private:
    std::mutex m_lock;
    std::vector<Box> m_shown;
};

}  // namespace testing_support
