// The system clipboard through Qt, plain text only, converted at the edge.
#pragma once

#include "platform/clipboard.h"

namespace vmqt {

class QtClipboard : public platform::Clipboard {
  public:
    std::string text() override;
    void setText(const std::string& text) override;
    void clear() override;
};

}  // namespace vmqt
