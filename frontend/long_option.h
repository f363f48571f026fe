// Long options as the front-end and its verbs take them: "--name value" or
// "--name=value".
#pragma once

#include <string>
#include <vector>

// The argument is the option; with fTakesValue also in its "--name=value" form.
bool LongOptionIs(const std::string& csArg, const char* pszName, bool fTakesValue);
// The value of args[i]: behind "=", else the next argument, which i then moves
// to. Throws CFrontendError (usage) when there is none.
std::string LongOptionValue(const std::vector<std::string>& args, size_t& i, const std::string& csName);
