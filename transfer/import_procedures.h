// The three imports the frame's "&Import" menu starts, each on its own
// procedure thread: ImportHTML (links of an HTML page or a bookmark file,
// categories from its headings), ImportASCII (quoted, comma-separated
// lines) and ImportOther (addresses written out in any text).
#pragma once

namespace linkar::transfer {

void ImportHTML();
void ImportASCII();
void ImportOther();

// Registers the three with the frame's procedure table.
void registerProcedures();

}  // namespace linkar::transfer
