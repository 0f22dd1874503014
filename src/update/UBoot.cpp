#include "update/UBoot.h"

TFBoot::TFBoot(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_services(services)
{
    Set_Lang();
}

void TFBoot::Set_Lang() {}

