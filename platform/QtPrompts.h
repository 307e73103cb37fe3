#pragma once
// The user-interface services shown as Qt dialogs. Each dialog parks the pen while it is open
// (TabletPark.h), so that neither the pen nor the mouse standing in for it writes under it.

#include "Prompts.h"
#include "TabletPark.h"

#include <QColor>
#include <QStringList>

class QWidget;

class QtPrompts : public IPrompts {
public:
    // Dialogs are centred on parent when it is set.
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    // What parks the pen while a dialog is open (not owned); null parks nothing.
    void SetTabletPark(ITabletPark* park) { m_park = park; }

    int MessageBox(const QString& text, const QString& caption, UINT type = MB_OK) override;
    QString GetFileName(const FileDialogRequest& request) override;
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    void SetWaitCursor(bool waiting) override;

    // "Name|*.a;*.b|Other|*.c||" as Qt name filters: "Name (*.a *.b)", "Other (*.c)".
    static QStringList NameFilters(const QString& filter);
    // The name with the extension of the chosen filter, or defaultExtension, when it has none.
    static QString WithExtension(const QString& path, const QString& nameFilter, const QString& defaultExtension);

private:
    QWidget* m_parent;
    ITabletPark* m_park = nullptr;
    QColor m_lastColor;
};
