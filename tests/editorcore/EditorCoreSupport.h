// Shared pieces of the editor-core tests: a database on the bundled template and node builders.
#pragma once

#include "database/DbTestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

using FieldValues = std::initializer_list<std::pair<const char *, std::string>>;

// An empty loaded database on the given template text (the bundled one by default).
struct EditorDb : DbFixture
{
    explicit EditorDb(const QByteArray &templateText = ReadFileBytes(BundledTemplatePath()))
        : DbFixture(templateText)
    {
        db->CreateEmpty();
    }

    // A new node with the given fields written by declaration-order index, independently of the
    // by-name helpers under test.
    int Add(NodeKind kind, FieldValues fields)
    {
        const int slot = db->AllocateNode(kind);
        EXPECT_GE(slot, 0);
        for (const auto &[name, value] : fields)
            EXPECT_TRUE(Set(kind, slot, name, value)) << name;
        return slot;
    }
    int AddTransponder(int satId, int tpId, int frq, int sym, int pol)
    {
        return Add(KindTransponder, {{"sat_id", std::to_string(satId)}, {"tp_id", std::to_string(tpId)},
                                     {"frq", std::to_string(frq)}, {"sym", std::to_string(sym)},
                                     {"pol", std::to_string(pol)}});
    }
    int AddProgram(int satId, int tpId, uint32_t favourites = 0)
    {
        return Add(KindProgram, {{"sat_id", std::to_string(satId)}, {"tp_id", std::to_string(tpId)},
                                 {"Favorite Group", std::to_string(favourites)}});
    }
};
