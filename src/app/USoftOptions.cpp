#include "app/USoftOptions.h"

TFSoftOptions::TFSoftOptions(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_services(services)
{
    Set_Lang();
}

void TFSoftOptions::Set_Lang() {}

