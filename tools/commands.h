// The subcommands of quarvel-tool; each takes the arguments after its own name.
#pragma once

int MkdataCommand(int argc, char** argv);
int Sc0Command(int argc, char** argv);
int RenderCommand(int argc, char** argv);
int BenchCommand(int argc, char** argv);
int SoakCommand(int argc, char** argv);
