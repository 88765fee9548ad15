// Start-up of the editor. The application shell is not built yet, so for now
// the program only says what it is and what it cannot do.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    std::printf("Tolvika %s - edytor map katastralnych\n", TOLVIKA_VERSION);
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0)
        return 0;
    std::printf("Ta wersja zawiera dopiero warstwę systemową i podstawowe typy programu;\n"
                "okna mapy, warstwy i bazy danych jeszcze nie są dostępne.\n");
    return 0;
}
