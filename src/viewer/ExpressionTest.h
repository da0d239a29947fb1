#pragma once
// The expression test dialog (the grid's Alt-Z): a formula typed by the user
// is read and evaluated on the record in the viewer's record buffer, and its
// value shown as text, so formulas can be tried before they are used in a
// filter, a calculated field or a bulk change.

#include "base/Estring.h"

class FileViewer;

// Evaluates text on the viewer's record buffer. True with the value as text
// (as many decimals as the value needs) in resultText; false with the
// formula's message in errorText.
bool EvaluateTestExpression(FileViewer& viewer, const Estring& text, Estring& resultText, Estring& errorText);

// The dialog: Enter shows the result on the Result line (a failure shows the
// message and clears it); Esc closes.
void testExpression(FileViewer& viewer);
