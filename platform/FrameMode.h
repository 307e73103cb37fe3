#pragma once
// The three ways the main frame works. The frame owns the mode; the bars, the pen-width popup,
// the document and the view follow it wherever they behave differently.

enum class FrameMode {
    Letter,   // a maximised window: the pen writes on the page between the two bars
    Desktop,  // only the bars, in the work area's corner: the pen writes on a frozen screen
    Inking,   // a small top-most bar: the pen writes over other programs
};
