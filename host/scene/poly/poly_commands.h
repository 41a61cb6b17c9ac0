#pragma once
// MEL commands of polygon modelling: the primitive creators (polyCube,
// polyPlane, polySphere, polyCylinder), polyEvaluate and polySplit.
namespace host::mel {
class Interpreter;
}

namespace host::scene {

void registerPolyCommands(host::mel::Interpreter& interp);

}  // namespace host::scene
