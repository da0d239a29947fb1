#pragma once
// The help viewer's page on formulas (page 1): the operators, their order
// and the functions. One string per screen line; a line that starts with the
// byte 8 is a heading (shown without it); blank lines are empty strings.

namespace expr {

constexpr char kHelpHeading = '\x08';

// The lines of the page, in order; count receives their number.
const char* const* ExpressionHelpLines(int& count);

}  // namespace expr
