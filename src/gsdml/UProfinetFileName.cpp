#include "gsdml/UProfinetFileName.h"

TFProfinetFileName::TFProfinetFileName(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_services(services)
{
    Set_Lang();
}

void TFProfinetFileName::Set_Lang() {}

void TFProfinetFileName::Save_Profinet_XML(const QString&) {}
