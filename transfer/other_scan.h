// The free-text scan of one line: every address written out in the text,
// found by its scheme prefix ("http://", "ftp://", "telnet://", "news://",
// "gopher://", lower case only) or by an HTML anchor start "a href" (any
// letter case), in the order they stand. The text after an address on its
// line is both its description and its site information.
#pragma once

#include <string>
#include <string_view>

#include "transfer/found_site.h"

namespace linkar::transfer {

class OtherScan {
 public:
  void scanLine(std::string_view line, const SiteSink& sink);

 private:
  std::string m_lower;
};

// Whether the byte continues an address: letters, digits, the bytes of
// UTF-8 sequences and . - _ ~ : / ? # [ ] @ ! $ & ' ( ) * + ; = %.
bool continuesAddress(char c);

}  // namespace linkar::transfer
