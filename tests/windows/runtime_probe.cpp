// Uses the C++ runtime so that a default link imports its DLL.
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::string name = argc > 0 ? argv[0] : "";
    std::cout << name << '\n';
    return 0;
}
