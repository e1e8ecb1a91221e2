// The list tools' plans (duplicate removal, a new program order) as edits of the document.
#pragma once

#include "database/DuplicateFinder.h"
#include "database/FieldChangeImport.h"
#include "database/ProgramListEdit.h"
#include "document/DatabaseEdit.h"

#include <optional>
#include <vector>

class CChannelDb;

// The slot-map exchanges that take the table into `order` (entry i names the slot whose node goes
// to slot i), at most one per slot. Applied one after the other they move the nodes exactly as
// ApplySlotOrder does; the edit's undo runs them backwards.
std::vector<SlotMove> SlotOrderMoves(NodeKind kind, const SlotOrder &order);

// Each change as a program record before and after its new "Favorite Group" bits. The after bytes
// are made by writing the bits and taking them back, so the database is as it was on return.
// Nothing when a slot is free or the layout has no "Favorite Group" field.
std::optional<std::vector<NodeChange>> GroupBitsRecordChanges(CChannelDb &db,
                                                              const std::vector<GroupBitsChange> &changes);

// The kept programs' new favourite bits, then the deletions of the others. Nothing when a slot of
// the plan is free.
std::optional<DatabaseEdit> DuplicateRemovalEdit(CChannelDb &db, const DuplicateRemoval &removal);

// New favourite bits, then the program table in `order`. The group changes name the slots as
// they are before the reorder, which is why the edit's records come before its moves. Nothing
// when a slot is free or `order` is no slot order of the program table.
std::optional<DatabaseEdit> ReorderEdit(CChannelDb &db, const std::vector<GroupBitsChange> &groupChanges,
                                        const SlotOrder &order);

// The accepted field changes of an import as records before and after, one per program. Nothing
// when a change names a free slot or a bad field. The database is as it was on return.
std::optional<DatabaseEdit> FieldChangesEdit(CChannelDb &db, const std::vector<FieldChange> &changes);
