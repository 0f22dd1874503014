#include "common/AreaSizes.h"

#include "common/XmlUtil.h"

namespace kv {

AreaSizes ReadAreaSizes(const pugi::xml_node& parGenRoot)
{
    AreaSizes s;
    s.in = ChildInt32Or(parGenRoot, "PROFINET_NB_IN", AreaSizeDefault);
    s.out = ChildInt32Or(parGenRoot, "PROFINET_NB_OUT", AreaSizeDefault);
    return s;
}

} // namespace kv
