// A Java runtime that ends at once, for timing what brox adds to a start.
int main() { return 0; }
