#include "resources/Resources.h"

#include <QtCore/qglobal.h>
#include <QtCore/qresource.h>

// Q_INIT_RESOURCE declares the generated initialiser with extern linkage in the scope
// it is used in, so it must be expanded outside namespace bmi.
static void initCompiledResources() {
    Q_INIT_RESOURCE(resources);
}

namespace bmi {

void initResources() {
    initCompiledResources();
}

} // namespace bmi
