#pragma once
// The "Save changes?" question of the record view and the hex view: a box 35
// wide, 5 high, centred, white on red, with OK, Discard and Cancel.

// Answers: OK 13 (save), Discard 1032, Cancel (and Esc) 27.
constexpr int kSaveAnswerOk = 13;
constexpr int kSaveAnswerDiscard = 1032;
constexpr int kSaveAnswerCancel = 27;

int askSaveChanges();
