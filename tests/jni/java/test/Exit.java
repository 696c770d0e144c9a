package test;

/** Ends the process with System.exit of the first argument, or 42. */
public class Exit {
  public static void main(String[] args) {
    System.exit(args.length > 0 ? Integer.parseInt(args[0]) : 42);
  }
}
