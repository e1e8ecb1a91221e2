// A modal dialog shown to the user, or handed to a test's script instead: every dialog's test hook.
#pragma once

#include <functional>

// With a script set, the script plays the user (sets controls, calls accept() or reject()) and no
// event loop runs; without one the dialog runs modally as usual.
template <typename Dialog>
void ExecOrScript(Dialog &dialog, const std::function<void(Dialog &)> &script)
{
    if (script)
        script(dialog);
    else
        dialog.exec();
}
