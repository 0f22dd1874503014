#include "app/UAbout.h"

TFAbout::TFAbout(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_services(services)
{
    Set_Lang();
}

void TFAbout::Set_Lang() {}

