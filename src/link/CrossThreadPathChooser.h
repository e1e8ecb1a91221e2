// The upload's save-file chooser for a worker thread: asks on the owner's thread and waits.
#pragma once

#include "core/OwnerThreadCall.h"
#include "link/UploadJob.h"

class QObject;

// Chooser() gives the SavePathChooser that UploadJob::Run calls on the worker. Each call is
// carried to the thread of owner (the upload dialog), target (the save-file dialog) runs there,
// and the worker waits for the path. On the owner's own thread target is called directly.
// Abandon() (owner side, any thread) releases a waiting worker at once with std::nullopt, the
// upload's silent cancel; later calls give std::nullopt too. Destroying the owner or this adapter
// abandons. target runs on the owner's thread only and never after Abandon().
class CrossThreadPathChooser
{
public:
    CrossThreadPathChooser(QObject *owner, SavePathChooser target);
    ~CrossThreadPathChooser();
    CrossThreadPathChooser(const CrossThreadPathChooser &) = delete;
    CrossThreadPathChooser &operator=(const CrossThreadPathChooser &) = delete;

    std::optional<QString> Choose(const QString &filter) const;
    // Calls Choose(); valid while this adapter lives.
    SavePathChooser Chooser() const;

    void Abandon();
    bool IsAbandoned() const;

private:
    OwnerThreadCall m_call;
    SavePathChooser m_target;
};
