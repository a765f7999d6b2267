#pragma once

// The decimal separator of the user's locale settings.
char DecimalSeparator();
