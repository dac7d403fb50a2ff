// The smallest console program: the yardstick for tandemixctl's own start.
int main() {
    return 0;
}
