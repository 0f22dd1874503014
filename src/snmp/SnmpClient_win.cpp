#include "snmp/SnmpClient.h"

namespace kv {

namespace {

// The Windows build has no SNMP library yet.
class NoSnmpClient : public ISnmpClient {
public:
    bool available(QString* why) const override
    {
        if (why)
            *why = QStringLiteral("This build has no SNMP library: requests cannot be tested here.");
        return false;
    }
    SnmpAnswer get(const SnmpTarget&, const QString&) override { return SnmpAnswer(); }
};

} // namespace

std::unique_ptr<ISnmpClient> MakeSnmpClient()
{
    return std::make_unique<NoSnmpClient>();
}

} // namespace kv
