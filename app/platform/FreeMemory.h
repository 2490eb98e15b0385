// Hands the heap's free pages back to the system. A check pass allocates
// freely on several threads (pages, summaries, MIME trees) and frees it all
// at its end; without this the allocator keeps those pages resident for the
// hours until the next burst.
#pragma once

namespace korvalin {

void ReturnFreeMemory();

}  // namespace korvalin
