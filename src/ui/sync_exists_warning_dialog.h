// A three-button question whose buttons carry custom captions: the first answers yes (6), the second,
// the default, no (7), the third cancels (2).
#pragma once

#include <string>

#include "platform/dialog.h"

class CSyncExistsWarningDialog : public platform::DialogHandler {
  public:
    CSyncExistsWarningDialog(std::string text, unsigned first_caption_id, unsigned second_caption_id,
                             unsigned third_caption_id)
        : m_text(std::move(text)),
          m_firstCaptionId(first_caption_id),
          m_secondCaptionId(second_caption_id),
          m_thirdCaptionId(third_caption_id) {}

    // IDYES (6), IDNO (7) or IDCANCEL (2).
    int DoModal();

    void OnInitDialog(platform::DialogWindow& window) override;
    void OnCommand(platform::DialogWindow& window, int control_id, int notification) override;
    int DefaultButtonId() const override;

  private:
    std::string m_text;
    unsigned m_firstCaptionId;
    unsigned m_secondCaptionId;
    unsigned m_thirdCaptionId;
};
