// A program that uses iostreams: the budget check of the launcher's link
// must find them in this program's link map, or it proves nothing.

#include <iostream>

int main() {
  std::cout << "iostreams\n";
  return 0;
}
