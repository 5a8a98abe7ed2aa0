#pragma once

// The texts that carrying out an action shows, and the title of the box that
// shows them. They live beside the commands so that this layer needs nothing
// above it; core/texts.h brings them in with the rest.

namespace quillon::text {

// The title of a message box that tells the user something.
inline constexpr const char* kPromptTitle = "提示";
// An action that starts a program whose file is not there.
inline constexpr const char* kNoProgram = "这个路径下没有对应的程序！";

}  // namespace quillon::text
