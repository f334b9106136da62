#include "engine/current_values.h"

CurrentValues& currentValues() {
    // Never destroyed: the settings worker may still record a value while the process
    // ends.
    static CurrentValues* const values = new CurrentValues();
    return *values;
}
