// Path dates with the folders' evidence remembered.
#include "dates/PathDates.h"

#include "dates/Dates.h"

namespace Dates {

PathDates::Date PathDates::fromPath(std::string_view path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return Dates::fromPath(path);
    Date name = Dates::fromPath(path.substr(slash + 1));
    // fromPath's order over the whole path: a full date in the file name, then a full date in a
    // folder (deepest first), then a year in the file name, then a year in a folder.
    if (name && name->second == "path")
        return name;
    const Date& folder = folderDate(path.substr(0, slash));
    if (folder && folder->second == "path")
        return folder;
    return name ? name : folder;
}

const PathDates::Date& PathDates::folderDate(std::string_view folder)
{
    auto it = folders.find(folder);
    if (it == folders.end())
        it = folders.emplace(std::string(folder), Dates::fromPath(folder)).first;
    return it->second;
}

} // namespace Dates
