#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
    std::puts("usage: quonder-cli find [options] FIND_TEXT FOLDER");
    return 0;
  }
  std::fputs("usage: quonder-cli find [options] FIND_TEXT FOLDER\n", stderr);
  return 2;
}
