#pragma once
// pelmora-cli print INPUT OUTPUT.pdf [paper= orientation= place= width= height= unit=]
#include <string>
#include <vector>

// Args are the words after "print". Raises std::exception with a one-line Russian message on
// bad input; nothing is written then.
int RunPrintVerb(const std::vector<std::string>& Args);
