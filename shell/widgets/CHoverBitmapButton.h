#pragma once
// A picture button of the bars and dialogs. It shows one of four images: normal, pressed,
// focused and disabled; the focused image is its hover look, shown while the mouse is over the
// button or the keyboard has reached it with Tab. Neither hovering nor clicking takes the
// keyboard focus: the page keeps it, so its keys and the shortcuts go on working while the
// mouse crosses the bars. A click sends the button's command.

#include "platform/WinTypes.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>

class CHoverBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    // id is the command the button sends (a control id of its bar or dialog).
    explicit CHoverBitmapButton(UINT id, QWidget* parent = nullptr);
    // The same, with the four images loaded at once (see LoadBitmaps).
    CHoverBitmapButton(UINT id, const QPixmap& normal, const QPixmap& pressed, const QPixmap& focused,
                       const QPixmap& disabled, QWidget* parent = nullptr);
    ~CHoverBitmapButton() override;

    // Sets the four images and sizes the button to the normal one. A null pressed, focused or
    // disabled image falls back to the normal image. Returns false when normal is null.
    bool LoadBitmaps(const QPixmap& normal, const QPixmap& pressed, const QPixmap& focused,
                     const QPixmap& disabled = QPixmap());

    // The bar's hidden control (IDC_HIDDEN). The keyboard focus is never handed to it: a
    // button the mouse leaves just drops its hover look.
    void SetHiddenControl(QWidget* hidden) { m_hidden = hidden; }
    QWidget* HiddenControl() const { return m_hidden; }

    // The tooltip, which also names the button for screen readers.
    void SetToolTipText(const QString& text);

    UINT GetDlgCtrlID() const { return m_nID; }
    // True while the mouse is over the button and no mouse button is held on a hover button.
    bool IsHovering() const { return m_bHover; }
    // The image the button shows in its present state.
    const QPixmap& CurrentBitmap() const;

    QSize sizeHint() const override;

signals:
    // The button was clicked (or pressed with the keyboard): its command id.
    void commandTriggered(UINT id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BeginHover();
    void EndHover();

    UINT m_nID;
    QPixmap m_bitmap;          // normal
    QPixmap m_bitmapSel;       // pressed
    QPixmap m_bitmapFocus;     // focused, the hover look
    QPixmap m_bitmapDisabled;  // disabled
    QPointer<QWidget> m_hidden;
    bool m_bHover = false;  // the mouse is over the button
};
