#pragma once
#include "common/UOwnedWindow.h"
#include <QStringList>

#include "common/UServices.h"
#include "state/AppState.h"

class QTableWidget;

namespace kv {
class StyledButton;
}

// "MIB Library": every module the configurator reads, with its state
// (loaded; the file, line and the reader's complaint; or the imports it
// misses), the user's MIBS folder first.  Add files... copies MIB files into
// MIBS, Remove deletes the files of modules there; after either the library
// is read again.  Modeless over the request dialog and closed with it.
class TFMibLibrary : public kv::OwnedWindow {
    Q_OBJECT
public:
    // Shows the window over parent, or brings the one already open there to
    // the front.
    static TFMibLibrary* showFor(kv::AppState& state, kv::UiServices& services, QWidget* parent);

    TFMibLibrary(kv::AppState& state, kv::UiServices& services, QWidget* parent = nullptr);
    void Set_Lang();

    // Lists the modules of the library, read again first when the files of
    // its folders changed since (or read for the first time).
    void FormShow();
    void Btn_AddClick();
    void Btn_RemoveClick();

    QTableWidget* modules() const { return ACG_Modules; }
    // The list's line of a module, or -1.
    int lineOf(const QString& module) const;

    // Columns of the list.
    enum Column { ColModule, ColFile, ColState };

private:
    // Reads the library again, lists it and selects these modules.
    void reloadAndSelect(const QStringList& modules);
    // Adds the lines of these modules to the selection; the first is shown.
    void select(const QStringList& modules);
    void fill();
    void selectionChanged();
    // The lines chosen, each once.
    QList<int> selectedLines() const;

    kv::AppState& m_state;
    kv::UiServices& m_services;

    QTableWidget* ACG_Modules = nullptr;
    kv::StyledButton* Btn_Add = nullptr;
    kv::StyledButton* Btn_Remove = nullptr;
    kv::StyledButton* Btn_Close = nullptr;
};
