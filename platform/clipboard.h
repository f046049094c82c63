// The system clipboard, plain text only.
#pragma once

#include <string>

namespace platform {

class Clipboard {
  public:
    virtual ~Clipboard() = default;

    // The clipboard's text as cp1252 with CR LF line breaks; empty when the
    // clipboard is empty or holds no text (a picture, say).
    virtual std::string text() = 0;
    // Replaces the clipboard's contents with text (cp1252, CR LF).
    virtual void setText(const std::string& text) = 0;
    // Empties the clipboard.
    virtual void clear() = 0;
};

}  // namespace platform
