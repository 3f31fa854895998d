// The help viewer that BMI-Trevala starts for its Help button.
#include "help_viewer/ViewerMain.h"

int main(int argc, char** argv) {
    return bmi::help::runViewer(argc, argv);
}
