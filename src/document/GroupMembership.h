// Programs joining a favourite group or leaving it, as one undoable command.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class ChannelDocument;

enum class GroupChange {
    Join,
    Leave,
};

// Sets (Join) or clears (Leave) group `group`'s bit of "Favorite Group" for every live program of
// `slots`, as one command named `text`; programs that already are as asked are left alone. False,
// with nothing pushed, when `group` is no group number, the layout has no such field or no
// program changes.
bool PushGroupMembership(ChannelDocument &document, const std::vector<int32_t> &slots, int group, GroupChange change,
                         const QString &text);
