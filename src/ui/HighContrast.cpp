#include "ui/HighContrast.h"

namespace ui {

// Asked each time: the user may switch the theme while the program runs, and the question is cheap.
bool HighContrastOn() noexcept {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace ui
