#pragma once
#include <QString>

namespace kv {

// The naming rules of a PROFINET name of station, which a controller
// enforces.  Returns 0 when the name keeps every rule, else the text index
// of the first rule it breaks, in this order: empty or longer than 240
// characters; a label (between dots) empty or longer than 63; a character
// other than a-z, 0-9, "-" and "."; a label starting or ending with "-";
// two or more "-" in a row, except the "xn--" that begins an
// internationalised label; the form of a port name ("port-xyz" or
// "port-xyz-abcde", digits); the form n.n.n.n with each n from 0 to 999.
int ProfinetNameProblem(const QString& name);

} // namespace kv
