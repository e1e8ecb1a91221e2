// What a file dialog is asked to show: open or save, its options, its types and its starting name.
#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

enum class FileDialogKind { Open, Save };

// The program's own option flags of a file choice; how each maps onto Qt's dialog is written in
// CFileExportDialog.cpp.
enum FileDialogOption {
    HideReadOnly = 0x1,     // no "open as read-only" choice (Qt's dialog never offers one)
    OverwritePrompt = 0x2,  // saving over an existing file asks first
    CreatePrompt = 0x4,     // choosing a file that does not exist yet
};
Q_DECLARE_FLAGS(FileDialogOptions, FileDialogOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(FileDialogOptions)

// Recorded by every Run(), shown or answered by the test hook, so tests see what the user would.
struct FileDialogRequest
{
    FileDialogKind kind = FileDialogKind::Open;
    FileDialogOptions options;
    QString shortFilter;     // as the caller wrote it
    QStringList typeTexts;   // the types offered, in order
    QString fileName;        // the name-box text the dialog starts with (initial name or wildcard)
    int preselectedType = 1; // 1-based
    QString directory;       // the folder it starts in: the initial name's, else the last one used
};
