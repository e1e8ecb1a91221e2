// The program's file dialog: Qt's own dialog fed by a one-line type filter, with the name box
// following the chosen type, and a test hook that answers instead of showing it.
#pragma once

#include "core/ShortFilter.h"
#include "widgets/FileDialogRequest.h"

#include <QFileDialog>

#include <optional>
#include <vector>

class QLineEdit;

class CFileExportDialog : public QFileDialog
{
    Q_OBJECT

public:
    // shortFilter: "Description(*.ext)|Description(*.ext)" (see core/ShortFilter.h). An empty
    // initialName proposes "*" and the first type's extension.
    CFileExportDialog(FileDialogKind kind, const QString &initialName, FileDialogOptions options,
                      const QString &shortFilter, QWidget *parent = nullptr);

    // Shows the dialog modally; the chosen file's full path, or an empty string on Cancel.
    QString Run();
    // The folder of the last file chosen in any file dialog (the settings store), if it still is one.
    static QString LastFolder();

    // 1-based number of the selected type; follows the user's type choices.
    int CurrentType() const { return m_currentType; }
    const FileDialogRequest &Request() const { return m_request; }

    // Test hook. Each call queues one answer; each Run() takes the oldest queued answer instead of
    // showing the dialog (std::nullopt answers as Cancel). Every Run(), answered or shown, records
    // its request for LastRequest().
    static void SetNextAnswer(std::optional<QString> answer);
    static int PendingAnswers();
    static std::optional<FileDialogRequest> LastRequest();
    // Drops queued answers and the recorded request (between tests).
    static void ResetTestHook();

private:
    void OnTypeSelected(const QString &typeText);
    QLineEdit *NameBox() const;
    int SelectedTypeIndex(const QString &typeText) const;

    std::vector<ShortFilterEntry> m_entries;
    FileDialogRequest m_request;
    int m_currentType = 1;
};
