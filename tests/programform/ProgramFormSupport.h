// Shared pieces of the program-form tests: a database on a template, a transponder node, groups.
#pragma once

#include "editorcore/EditorCoreSupport.h"
#include "editors/ProgramInfoForm.h"

#include <string>

// A database on the bundled template (or another), with a transponder node of satellite 1,
// transponder 2 whose slot list the tests set.
struct ProgramFormDb : EditorDb
{
    NavNode node;
    FavouriteNameTable groups;

    explicit ProgramFormDb(const QByteArray &templateText = ReadFileBytes(BundledTemplatePath()))
        : EditorDb(templateText)
    {
        node.kind = NavTransponder;
        node.satId = 1;
        node.tpId = 2;
        node.hasSlots = true;
        for (int i = 0; i < kFavouriteNameCount; ++i) {
            groups[size_t(i)].key = std::to_string(int32_t(uint32_t(1) << i));
            groups[size_t(i)].name = "Group " + std::to_string(i + 1);
        }
    }

    // A TV program of the node's transponder with the given fields (declaration order).
    int AddNodeProgram(FieldValues extra = {})
    {
        const int slot = Add(KindProgram, {{"sat_id", "1"}, {"tp_id", "2"}, {"prog_id", "1"}});
        for (const auto &[name, value] : extra)
            EXPECT_TRUE(Set(KindProgram, slot, name, value)) << name;
        return slot;
    }

    ProgramInfoForm Form(ProgramDialogMode mode, int index, ServiceFilter filter = ServiceFilter::TvAndRadio)
    {
        return ProgramInfoForm(*db, &node, mode, index, filter, groups);
    }

    std::string Field(int slot, const char *name) { return Get(KindProgram, slot, name); }
};
