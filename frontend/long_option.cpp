#include "frontend/long_option.h"

#include "frontend/frontend_error.h"

bool LongOptionIs(const std::string& csArg, const char* pszName, bool fTakesValue) {
    const size_t nLen = std::char_traits<char>::length(pszName);
    if (csArg.compare(0, nLen, pszName) != 0)
        return false;
    return csArg.size() == nLen || (fTakesValue && csArg[nLen] == '=');
}

std::string LongOptionValue(const std::vector<std::string>& args, size_t& i, const std::string& csName) {
    const std::string& csArg = args[i];
    if (csArg.size() > csName.size())
        return csArg.substr(csName.size() + 1);
    if (i + 1 >= args.size())
        throw CFrontendError(eExitUsage, "option '" + csName + "' needs a value");
    return args[++i];
}
