// A plug-in used only by the tests: a translator that writes the DAG with
// world positions (and reads such a file back as locators' transforms), and
// a command with a syntax.
#include <maya/MArgDatabase.h>
#include <maya/MDagPath.h>
#include <maya/MFileObject.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MItDag.h>
#include <maya/MMatrix.h>
#include <maya/MPxCommand.h>
#include <maya/MPxFileTranslator.h>
#include <maya/MSyntax.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

class DagListTranslator : public MPxFileTranslator {
public:
    static void* creator() { return new DagListTranslator; }

    MStatus writer(const MFileObject& file, const MString& options, FileAccessMode mode) override {
        std::ofstream out(file.fullName().asChar());
        if (!out) return MStatus::kFailure;
        out << "options " << options.asChar() << "\n";
        out << "mode " << static_cast<int>(mode) << "\n";
        MItDag it(MItDag::kDepthFirst, MFn::kTransform);
        for (; !it.isDone(); it.next()) {
            MDagPath path;
            it.getPath(path);
            MFnDagNode fn(path);
            if (fn.isDefaultNode()) continue;
            MMatrix m = path.inclusiveMatrix();
            out << path.fullPathName().asChar() << " " << m(3, 0) << " " << m(3, 1) << " " << m(3, 2) << "\n";
        }
        return out ? MStatus::kSuccess : MStatus::kFailure;
    }

    // Each "name x y z" line becomes a transform at that position.
    MStatus reader(const MFileObject& file, const MString&, FileAccessMode) override {
        std::ifstream in(file.fullName().asChar());
        if (!in) return MStatus::kFailure;
        std::string line;
        std::getline(in, line);
        if (line != "DAGLIST") return MStatus::kFailure;
        while (std::getline(in, line)) {
            std::istringstream ls(line);
            std::string name;
            double x, y, z;
            if (!(ls >> name >> x >> y >> z)) return MStatus::kFailure;
            std::ostringstream mel;
            mel << "createNode transform -n \"" << name << "\"; setAttr \"" << name << ".t\" " << x << " " << y
                << " " << z << ";";
            if (MGlobal::executeCommand(MString(mel.str().c_str())).error()) return MStatus::kFailure;
        }
        return MStatus::kSuccess;
    }

    bool haveReadMethod() const override { return true; }
    bool haveWriteMethod() const override { return true; }
    MString defaultExtension() const override { return "dagl"; }
    MFileKind identifyFile(const MFileObject&, const char* buffer, short size) const override {
        return size >= 7 && std::string(buffer, 7) == "DAGLIST" ? kIsMyFileType : kNotMyFileType;
    }
};

// testGreet [-n/-name S] [-r/-repeat N] words...: returns a greeting per word.
class GreetCommand : public MPxCommand {
public:
    static void* creator() { return new GreetCommand; }
    static MSyntax newSyntax() {
        MSyntax s;
        s.addFlag("-n", "-name", MSyntax::kString);
        s.addFlag("-r", "-repeat", MSyntax::kLong);
        s.setObjectType(MSyntax::kStringObjects, 0);
        return s;
    }
    MStatus doIt(const MArgList& args) override {
        MStatus st;
        MArgDatabase db(syntax(), args, &st);
        if (st.error()) {
            displayError(db.errorText());
            return st;
        }
        MString who = "world";
        if (db.isFlagSet("-n")) db.getFlagArgument("-n", 0, who);
        int repeat = 1;
        if (db.isFlagSet("-r")) db.getFlagArgument("-r", 0, repeat);
        if (repeat < 0) {
            displayError("testGreet: -repeat must not be negative");
            return MStatus::kInvalidParameter;
        }
        MStringArray objects;
        db.getObjects(objects);
        clearResult();
        for (int i = 0; i < repeat; ++i) appendToResult(MString("hello ") + who);
        for (const MString& o : objects) appendToResult(MString("hi ") + o);
        return MStatus::kSuccess;
    }
};

}  // namespace

MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Test Vendor", "0.1", "Any");
    MStatus st = plugin.registerFileTranslator("dagList", nullptr, DagListTranslator::creator, nullptr, "", false);
    if (st.error()) {
        st.perror("registerFileTranslator");
        return st;
    }
    st = plugin.registerCommand("testGreet", GreetCommand::creator, GreetCommand::newSyntax);
    if (st.error()) st.perror("registerCommand testGreet");
    return st;
}

MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    MStatus st = plugin.deregisterFileTranslator("dagList");
    if (st.error()) st.perror("deregisterFileTranslator");
    MStatus st2 = plugin.deregisterCommand("testGreet");
    if (st2.error()) st2.perror("deregisterCommand testGreet");
    return st.error() ? st : st2;
}
