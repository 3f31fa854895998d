// The help viewer that BMI-Trevala starts for its Help button.
#include "window/ViewerMain.h"

int main(int argc, char** argv) {
    return bmi::help::runViewer(argc, argv);
}
