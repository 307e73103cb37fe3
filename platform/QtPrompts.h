#pragma once
// The user-interface services shown as Qt dialogs.

#include "Prompts.h"

class QWidget;

class QtPrompts : public IPrompts {
public:
    // Dialogs are centred on parent when it is set.
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    int MessageBox(const QString& text, const QString& caption, UINT type = MB_OK) override;

private:
    QWidget* m_parent;
};
