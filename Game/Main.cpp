// The game executable's entry.
int main() {
    return 0;
}
