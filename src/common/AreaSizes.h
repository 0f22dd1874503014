#pragma once
#include <QtGlobal>

namespace pugi {
class xml_node;
}

namespace kv {

// The sizes of the converter's two PROFINET data areas, in bytes, as
// ParGen.xml sets them.  The GSDML description and the data map read them
// alike.
constexpr qint32 AreaSizeDefault = 1439;

struct AreaSizes {
    qint32 in = AreaSizeDefault;  // PROFINET_NB_IN: what the controller sends (the GSDML Output item)
    qint32 out = AreaSizeDefault; // PROFINET_NB_OUT: what the converter sends (the GSDML Input item)
};

// From the root node of ParGen.xml; a key that is missing or not a number
// (the number rule) gives AreaSizeDefault.  The values are not bounded.
AreaSizes ReadAreaSizes(const pugi::xml_node& parGenRoot);

} // namespace kv
