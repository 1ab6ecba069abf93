// A program made of every object of one layer's libraries and of the layers below
// it (cmake/Subsystem.cmake): that it links at all is what the build checks.
int main() { return 0; }
