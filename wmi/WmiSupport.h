#pragma once

#include <cstdint>
#include <string>

class TStringList;
class TWmiComponent;
class WbemServices;

// Runs queryText (WQL) on the connection and appends the object text of each returned instance
// to list, one item per instance. The list is not emptied first.
void ExecuteQueryToList(WbemServices& services, const std::string& queryText, TStringList& list);

// Reads property name of the component's current instance (ObjectIndex, from 1) out of its
// stored object text. With no current instance value and isNull stay as they are; with no
// stored instances, or a property missing from the text, the value is empty and null.
void GetPropertyValue(const TWmiComponent& component, const std::string& name, std::string& value, bool& isNull);

// The value text of property name in one instance's object text, or an empty text. The first
// line containing name + " = " is used, so a name that ends another name (Name, SystemName)
// is served by whichever line comes first. Escapes in the text are not interpreted.
std::string ExtractPropertyText(const std::string& name, const std::string& instanceText);

// 0 when null; a whole number as it is; a number with a fraction (user's decimal separator)
// rounded half to even; TRUE and FALSE in any case as 1 and 0; any other text 666.
std::int64_t PropertyAsInt64(const std::string& value, bool isNull);

// false when null; TRUE or FALSE in any case, or a number (non-zero is true); any other text
// raises EConvertError.
bool PropertyAsBoolean(const std::string& value, bool isNull);

// An empty text when null, the text otherwise.
std::string PropertyAsText(const std::string& value, bool isNull);

// The system's message for the calling thread's last error code.
std::string LastSystemErrorText();
