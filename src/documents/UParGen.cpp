#include "documents/UParGen.h"

TFParGen::TFParGen(kv::AppState& state, kv::UiServices& services, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_services(services)
{
    Set_Lang();
}

void TFParGen::Set_Lang() {}

