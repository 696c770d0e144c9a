package example;

/** The example application shipped with the launcher: it greets and lists its arguments. */
public final class Hello {
    private Hello() {
    }

    public static void main(String[] args) {
        System.out.println("Hello from " + System.getProperty("java.vendor") + " " + System.getProperty("java.version"));
        System.out.println("Class path: " + System.getProperty("java.class.path"));
        for (int i = 0; i < args.length; i++) {
            System.out.println("arg[" + i + "] = " + args[i]);
        }
    }
}
