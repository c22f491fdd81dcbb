// Record kinds that the loader learns from other parts of the engine. The
// loader reads the records of the model's classes by itself; a part whose
// classes build on the model (the references) registers its kinds here as the
// program starts, from the file that holds the class's load and save, so that
// the store does not depend on it. Whatever can make such a node links that
// file, and with it the registration. Writing needs no table: every node
// saves itself.
#pragma once

namespace tovimat {

class algStor;
class nucleo;

namespace records {

// Makes the empty node that a record of one kind is read into.
using MakeNode = nucleo* (*)();
// Runs once the outermost record of a file has been read (complete) or its
// load abandoned (not complete, when it only cleans up). Answers false when
// what was read cannot stand, which abandons the load.
using FinishLoad = bool (*)(algStor& s, bool complete);

// The records with type id typeId are read into what make answers.
void addKind(int typeId, MakeNode make);
// finish runs at the end of every load.
void addFinisher(FinishLoad finish);

// What makes the nodes of a registered kind; null for any other type id.
MakeNode maker(int typeId);
// Runs every registered finisher, all of them even when one refuses: false
// when one did.
bool finishLoad(algStor& s, bool complete);

}  // namespace records

}  // namespace tovimat
