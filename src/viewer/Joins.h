#pragma once
// The join dialogs of the grid: Manage Joins (Alt-J), the creation of a join
// (table list, joined-file opener, index, join values, name) and the Join
// Key dialog. The join model itself is viewfile/JoinList.h.

#include <vector>

#include "base/Estring.h"

class FileViewer;
class Join;

// Help page 2.
std::vector<Estring> JoinHelpLines();

// The Manage Joins dialog; true when joins were added, edited or deleted
// (the caller redraws the header and refreshes).
bool manageJoins(FileViewer& viewer);

// Chooses a table, opens its file, picks an index and the join values and
// appends the join with its fields; false when the user gave up.
bool createJoin(FileViewer& viewer);

// The Join Key dialog over join; isEdit false also asks for the name. Each
// value is checked on the viewer's current record. True on an accepted OK.
bool editJoin(FileViewer& viewer, Join& join, bool isEdit);

// The initial join value of each segment of join's index: the segment
// field's name when the view has that field, else the first earlier join's
// field of that name ("J.name"), else empty.
std::vector<Estring> InitialJoinValues(const FileViewer& viewer, const Join& join);
