// The file dialog every file choice of the program shows.
#pragma once

#include "widgets/CFileExportDialog.h"

// Adds nothing to CFileExportDialog; callers name this class so that one place decides what all
// file choices look like.
class CFileDlg : public CFileExportDialog
{
    Q_OBJECT

public:
    CFileDlg(FileDialogKind kind, const QString &initialName, FileDialogOptions options,
             const QString &shortFilter, QWidget *parent = nullptr);
};
