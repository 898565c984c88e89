#include "organize/organize_options.h"

namespace quillfold {

void PrintTo(const OrganizeOptions& options, std::ostream* os) {
  char separator = '{';
  for (const OrganizeOption& option : kOrganizeOptions) {
    *os << separator << option.name << '=' << options.*option.field;
    separator = ' ';
  }
  *os << '}';
}

}  // namespace quillfold
