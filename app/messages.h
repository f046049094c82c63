// Message boxes as the routines show them: titled with the program's name,
// with the exclamation icon and one OK button unless a routine says otherwise.
#pragma once

#include <string>

#include "app/program.h"

namespace app {

platform::Answer showMessage(Program& program, const std::string& text,
                             platform::Icon icon = platform::Icon::Exclamation,
                             platform::Buttons buttons = platform::Buttons::Ok);

}  // namespace app
