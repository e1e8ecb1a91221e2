// Shared set-up of the editor's GUI tests: a private profile, a layout cache, generated databases.
#pragma once

#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/NodeFields.h"
#include "database/SettingsProfileStore.h"
#include "document/NavNode.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "widgets/CFileDlg.h"
#include "shell/CMainFrame.h"
#include "shell/CZanEditorApp.h"
#include "support/ScriptedPrompt.h"
#include "support/TableRecords.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Whether a copy of a navigator node (the channel list keeps its own) stands for the same node.
inline bool SameNode(const NavNode *copy, const NavNode &node)
{
    return copy && copy->kind == node.kind && copy->satId == node.satId && copy->tpId == node.tpId
        && copy->index == node.index;
}

namespace GuiTest {

// Points the native settings store and the standard paths at a temporary folder, so no test
// reads or writes the tester's own profile.
class PrivateProfile
{
public:
    PrivateProfile()
    {
        CZanEditorApp::SetApplicationNames();
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        // A profile left by an earlier test of the same program must not leak into this one.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QCoreApplication::organizationName(),
                  QCoreApplication::applicationName())
            .clear();
    }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// The layout cache of the bundled template, parsed once per test program.
inline const QByteArray &BundledCacheBytes()
{
    static const QByteArray bytes = [] {
        ScopedWorkingDir work;  // "parse.input" lands in a temporary folder
        LayoutSet layouts;
        SilentPrompt silent;
        if (!layouts.ParseTemplate(BundledTemplatePath(), silent))
            return QByteArray();
        return SerializeLayoutCache(layouts);
    }();
    return bytes;
}

inline bool WriteBundledCache(const QString &dir)
{
    return !BundledCacheBytes().isEmpty() && WriteFileBytes(QDir(dir).filePath("script.ini"), BundledCacheBytes());
}

// Writes a generated database (".usd" or ".ddf" by the path) in the bundled layouts.
inline bool GenerateDatabase(const QString &path, GeneratorOptions options = {})
{
    LayoutSet layouts;
    ParseLayoutCache(BundledCacheBytes(), layouts);
    SilentPrompt silent(UserPrompt::Yes);
    CChannelDb db(layouts, silent);
    SettingsProfileStore profile(QDir::temp().filePath(QStringLiteral("dravel-gui-test-generator.ini")));
    if (!DatabaseGenerator(layouts).Generate(db, options))
        return false;
    return DatabaseGenerator::WriteFile(db, path, profile);
}

// A frame with a scripted prompt whose layouts come from a cache in its own program folder.
struct FrameFixture
{
    PrivateProfile profile;
    QTemporaryDir programDir;
    QTemporaryDir appDataDir;
    QTemporaryDir dataDir;   // where the databases of a test live
    ScriptedPrompt prompt;
    std::unique_ptr<CMainFrame> frame;

    explicit FrameFixture(bool withCache = true)
    {
        CFileExportDialog::ResetTestHook();
        if (withCache)
            WriteBundledCache(programDir.path());
        frame = std::make_unique<CMainFrame>(&prompt);
        frame->SetLayoutCacheFolders({programDir.path(), appDataDir.path() + QStringLiteral("/user"), QString()});
        if (withCache)
            frame->InitialUpdate();
    }
    ~FrameFixture() { CFileExportDialog::ResetTestHook(); }

    QString Data(const QString &name) const { return dataDir.filePath(name); }
};

// Every item text of a tree, indented by depth.
inline QStringList TreeText(QTreeWidget *tree)
{
    QStringList lines;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        lines << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
    return lines;
}

// Records as bytes, for the byte-identical checks.
using TestRecords::AllRecords;
using TestRecords::ProgramRecords;
using TestRecords::TableRecords;

// A program field's text by its name (declaration order); "<none>" when it cannot be read.
inline std::string ProgramField(const CChannelDb &db, int slot, const char *name)
{
    return GetNodeTextByName(db, KindProgram, slot, name, DeclarationOrder).value_or("<none>");
}

inline void SetProgramField(CChannelDb &db, int slot, const char *name, const std::string &text)
{
    QVERIFY(SetNodeTextByName(db, KindProgram, slot, name, text, DeclarationOrder));
}

// A small generated database: a few satellites and transponders and this many programs.
inline GeneratorOptions SmallDatabase(int satellites, int transponders, int programs)
{
    GeneratorOptions options;
    options.satellites = satellites;
    options.transponders = transponders;
    options.programs = programs;
    return options;
}

} // namespace GuiTest
