// The one-line file-type filter of the file dialogs ("Desc(*.ext)|Desc(*.ext)") and the file-name
// rules that go with it: the initial name, the preselected type and the name after a type change.
#pragma once

#include <QString>

#include <vector>

struct ShortFilterEntry
{
    QString description;  // the whole entry, shown as the type's text
    QString pattern;      // between the entry's first "(" and the next ")", e.g. "*.usd"
    QString extension;    // the pattern without its first character, e.g. ".usd"
};

constexpr int kMaxShortFilterEntries = 20;

// Entries are separated by "|"; empty entries are skipped; an entry beginning with a double or a
// single quote runs to the matching quote (both quotes dropped), then on to the next "|"; the
// twentieth entry takes all the rest of the text. An entry without a "(" followed later by a ")"
// has no pattern: it is skipped and does not count as a type.
std::vector<ShortFilterEntry> ParseShortFilter(const QString &filter);

// The name-box text the dialog starts with: the initial name, or "*" and the first extension.
QString InitialFileName(const QString &initialName, const std::vector<ShortFilterEntry> &entries);

// The part of a path after its last "/" or "\".
QString FileNamePart(const QString &path);

// The 1-based type the dialog starts with: the first entry whose extension equals, case
// included, the text from the first "." of the name's file-name part to its end; 1 otherwise.
int PreselectedFileType(const QString &initialName, const std::vector<ShortFilterEntry> &entries);

// The extension a type's text carries: after its first "*" up to the next ")" (to the end without
// one); empty without a "*".
QString TypeExtension(const QString &typeText);

// The name-box text after the user picked the type with the text typeText: an empty name becomes
// "*" and the extension; otherwise the file-name part loses everything from its first "." and gets
// the extension (a file-name part without "." just gets it appended, an empty one gets "*" and it).
// Folders are never changed, dots in them included.
QString NameAfterTypeChange(const QString &nameBoxText, const QString &typeText);
