#pragma once
// Dialogs and the pen. While a dialog, message box, file dialog, colour chooser or menu is
// open, the tablet context is closed (the pen is parked): a pen, or the mouse standing in for
// one, on the dialog must not write on the page under it. Whatever shows such a window holds a
// ScopedTabletPark while it is open.

// What can park the pen: the view that owns the tablet context. Parks nest: the context closes
// at the first and opens again when the last one ends.
class ITabletPark {
public:
    virtual ~ITabletPark() = default;
    virtual void ParkTablet() = 0;
    virtual void ReopenTablet() = 0;
};

// Parks the pen while it lives. A null park (no view) parks nothing.
class ScopedTabletPark {
public:
    explicit ScopedTabletPark(ITabletPark* park) : m_park(park)
    {
        if (m_park)
            m_park->ParkTablet();
    }
    ~ScopedTabletPark()
    {
        if (m_park)
            m_park->ReopenTablet();
    }
    ScopedTabletPark(const ScopedTabletPark&) = delete;  // a copy would reopen twice
    ScopedTabletPark& operator=(const ScopedTabletPark&) = delete;

private:
    ITabletPark* m_park;
};
