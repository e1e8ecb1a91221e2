// The file dialog every file choice of the program shows.
#include "widgets/CFileDlg.h"

CFileDlg::CFileDlg(FileDialogKind kind, const QString &initialName, FileDialogOptions options,
                   const QString &shortFilter, QWidget *parent)
    : CFileExportDialog(kind, initialName, options, shortFilter, parent)
{
}
