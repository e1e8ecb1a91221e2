// The editor's context for the GUI benchmarks: a generated database, its layouts and an undo stack.
#pragma once

#include "EmptyProfile.h"

#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseGenerator.h"
#include "layout/LayoutSet.h"
#include "document/ChannelDocument.h"
#include "document/EditorContext.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUndoStack>

#include <memory>

class GuiBenchContext : public EditorContext
{
public:
    ChannelDocument &Document() override { return document; }
    UserPrompt &Prompt() override { return prompt; }
    ProfileStore &Profile() override { return profile; }
    NavNode *SelectedNode() override { return selected; }
    void SetBusy(bool) override {}

    // Parses the shipped template and generates the database; false on any failure.
    bool PrepareDatabase(const GeneratorOptions &options)
    {
        if (!dir.isValid())
            return false;
        QDir::setCurrent(dir.path());  // the parser leaves "parse.input" in the working directory
        if (!layouts.ParseTemplate(QStringLiteral(DRAVEL_SOURCE_DIR "/resources/templates/dravel-stb.h"), prompt))
            return false;
        return DatabaseGenerator(layouts).Generate(*db, options);
    }

    QTemporaryDir dir;
    SilentPrompt prompt{UserPrompt::Yes};
    EmptyProfile profile;
    ChannelDocument document{prompt};
    LayoutSet &layouts = document.Layouts();
    CChannelDb *db = &document.Database();
    QUndoStack &stack = document.UndoStack();
    NavNode *selected = nullptr;  // what SelectedNode returns unless a navigator answers
};
