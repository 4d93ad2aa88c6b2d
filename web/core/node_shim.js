// Put before the loader (em++ --extern-pre-js): emscripten 3.1.6 writes its
// node branch for CommonJS (`require`, `__dirname`), which an ES module
// under node lacks. Browsers and workers skip this.
const vk47OnNode = typeof process == "object" && typeof process.versions == "object" && typeof process.versions.node == "string";
const require = vk47OnNode ? (await import("node:module")).createRequire(import.meta.url) : undefined;
const __dirname = vk47OnNode ? require("node:path").dirname(require("node:url").fileURLToPath(import.meta.url)) : "";
