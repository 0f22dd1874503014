#include "documents/USNMPManagerAccess.h"

TFSNMPManagerAccess::TFSNMPManagerAccess(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_services(services)
{
    Set_Lang();
}

void TFSNMPManagerAccess::Set_Lang() {}

