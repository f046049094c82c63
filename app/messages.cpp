// Message boxes titled with the program's name.
#include "app/messages.h"

namespace app {

platform::Answer showMessage(Program& program, const std::string& text, platform::Icon icon,
                             platform::Buttons buttons) {
    return program.platform.dialogs.messageBox(text, std::string(ui::kProgramName), icon, buttons);
}

}  // namespace app
