// The editor context of the GUI tests: bundled layouts, a generated or empty database, real services.
#pragma once

#include "gui/GuiTestSupport.h"

#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "database/SettingsProfileStore.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "document/ChannelDocument.h"
#include "document/EditorContext.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QString>
#include <QUndoStack>

#include <map>

namespace GuiTest {

// What the frame gives the panes and dialogs, made of real parts. The context runs in a working
// folder of its own (files a pane writes by a relative name land there, the old folder comes back
// afterwards), keeps its profile there, and records what the navigator would have been told.
class TestEditorContext : public EditorContext
{
public:
    struct EmptyDatabase {};

    // Layouts only: the database has no tables until Generate or CreateEmpty.
    TestEditorContext()
    {
        ParseLayoutCache(BundledCacheBytes(), layouts);
        QObject::connect(&document, &ChannelDocument::Changed, [this] { ++changes; });
    }
    // A database generated with these options; `generated` tells whether that worked.
    explicit TestEditorContext(const GeneratorOptions &options) : TestEditorContext() { Generate(options); }
    // The empty tables of a new database.
    explicit TestEditorContext(EmptyDatabase) : TestEditorContext() { CreateEmpty(); }

    TestEditorContext(const TestEditorContext &) = delete;
    TestEditorContext &operator=(const TestEditorContext &) = delete;

    bool Generate(const GeneratorOptions &options)
    {
        generated = LayoutsLoaded() && DatabaseGenerator(layouts).Generate(db, options);
        return generated;
    }
    void CreateEmpty()
    {
        db.CreateEmpty();
        generated = true;
    }

    // False when the bundled template gave no layouts, so nothing else can work.
    bool LayoutsLoaded() const { return !BundledCacheBytes().isEmpty(); }
    // A file in the context's own folder.
    QString Path(const QString &name) const { return m_dir.Path(name); }

    ChannelDocument &Document() override { return document; }
    UserPrompt &Prompt() override { return prompt; }
    ProfileStore &Profile() override { return profile; }
    NavNode *SelectedNode() override { return selected; }
    void SetBusy(bool) override {}

private:
    ScopedWorkingDir m_dir;  // first: the profile below lives in it

public:
    ScriptedPrompt prompt;
    SettingsProfileStore profile {m_dir.Path(QStringLiteral("profile.ini"))};
    ChannelDocument document {prompt};
    // The document's parts, by the names the tests use.
    LayoutSet &layouts = document.Layouts();
    CChannelDb &db = document.Database();
    QUndoStack &stack = document.UndoStack();
    NavNode *selected = nullptr;          // what SelectedNode answers
    int changes = 0;                      // the document's Changed signals so far
    bool generated = false;              // Generate or CreateEmpty ran successfully
};

} // namespace GuiTest
