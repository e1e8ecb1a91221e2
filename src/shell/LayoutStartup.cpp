// The layout start-up with its messages; the paths come from PlanLayoutCache.
#include "shell/LayoutStartup.h"

#include "core/UserPrompt.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "widgets/CFileDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

LayoutSource InitLayouts(LayoutSet &layouts, UserPrompt &prompt, const LayoutCachePlan &plan,
                         const std::function<void()> &layoutsReady, QWidget *dialogParent)
{
    if (plan.shownPath.isEmpty())
        prompt.ShowMessage(QStringLiteral("script path is empty"));

    for (const QString &path : plan.readOrder) {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            continue;
        probe.close();
        LoadLayoutCache(path, layouts);
        if (layoutsReady)
            layoutsReady();
        return LayoutSource::Cache;
    }

    prompt.ShowMessage(QStringLiteral("\"%1\" not exist").arg(plan.shownPath));
    if (prompt.AskYesNo(QStringLiteral("Load Template ?")) != UserPrompt::Yes) {
        // A cache that exists but cannot be read is in the way of the next start's question.
        if (!plan.writePath.isEmpty() && QFileInfo::exists(plan.writePath))
            QFile::remove(plan.writePath);
        return LayoutSource::None;
    }

    CFileDlg dialog(FileDialogKind::Open, QString(), HideReadOnly, QStringLiteral("Template File(*.h)"),
                    dialogParent);
    const QString templatePath = dialog.Run();
    if (templatePath.isEmpty())
        return LayoutSource::None;

    if (!layouts.ParseTemplate(templatePath, prompt)) {
        prompt.ShowMessage(QStringLiteral("ParseTemplate failed!"));
        return LayoutSource::None;
    }
    if (layoutsReady)
        layoutsReady();
    // The user's application-data folder may not exist before the first cache lands there.
    if (!plan.writePath.isEmpty())
        QDir().mkpath(QFileInfo(plan.writePath).absolutePath());
    if (!plan.writePath.isEmpty() && SaveLayoutCache(plan.writePath, layouts))
        prompt.ShowMessage(QStringLiteral("Save template ok."));
    else
        prompt.ShowMessage(QStringLiteral("Template doesn't exist!"));
    return LayoutSource::Template;
}
